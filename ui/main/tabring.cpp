#include "ui/main/tabring.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QWidget>

namespace quorvane {

namespace {

// A folder list takes the focus in its inner view.
QWidget *focusTarget(QWidget *control)
{
    return control->focusProxy() ? control->focusProxy() : control;
}

} // namespace

TabRing::TabRing(QWidget &window, QList<QWidget *> controls) : m_window(window), m_controls(std::move(controls))
{
    for (QWidget *control : m_controls)
        m_builtPolicies.append(focusTarget(control)->focusPolicy());
}

int TabRing::indexOf(const QWidget *focus) const
{
    for (int i = 0; i < m_controls.size(); ++i) {
        const QWidget *control = m_controls[i];
        if (focus && (control == focus || control->isAncestorOf(focus)))
            return i;
    }
    return -1;
}

bool TabRing::inView(const QWidget *control) const
{
    // Each frame and the window itself clip what lies inside them.
    QRect area = control->geometry();
    for (const QWidget *w = control; w != &m_window; w = w->parentWidget()) {
        const QWidget *container = w->parentWidget();
        if (!container || !container->rect().contains(area))
            return false;
        area.translate(container->pos());
    }
    return true;
}

bool TabRing::isStop(const QWidget *control) const
{
    return control->isVisibleTo(&m_window) && control->isEnabled()
        && focusTarget(const_cast<QWidget *>(control))->focusPolicy() != Qt::NoFocus && inView(control);
}

QWidget *TabRing::next(const QWidget *focus, bool forward) const
{
    const int count = m_controls.size();
    const int from = indexOf(focus);
    const int start = from >= 0 ? from : (forward ? -1 : count);
    for (int step = 1; step <= count; ++step) {
        const int i = ((start + (forward ? step : -step)) % count + count) % count;
        if (isStop(m_controls[i]))
            return m_controls[i];
    }
    return nullptr;
}

QAbstractButton *TabRing::nextOption(const QAbstractButton *option, bool forward) const
{
    const int from = indexOf(option);
    if (from < 0)
        return nullptr;
    for (int i = from + (forward ? 1 : -1); i >= 0 && i < m_controls.size(); i += forward ? 1 : -1) {
        auto *candidate = qobject_cast<QRadioButton *>(m_controls[i]);
        if (candidate && candidate->parentWidget() == option->parentWidget() && isStop(candidate))
            return candidate;
    }
    return nullptr;
}

void TabRing::fitFocusToView()
{
    for (int i = 0; i < m_controls.size(); ++i) {
        QWidget *target = focusTarget(m_controls[i]);
        const Qt::FocusPolicy policy = inView(m_controls[i]) ? m_builtPolicies[i] : Qt::NoFocus;
        if (target->focusPolicy() == Qt::NoFocus || policy == Qt::NoFocus)
            target->setFocusPolicy(policy);
    }
    const QWidget *focus = m_window.focusWidget();
    const int at = indexOf(focus);
    if (at >= 0 && !inView(m_controls[at])) {
        if (QWidget *stop = next(focus, true))
            stop->setFocus(Qt::TabFocusReason);
    }
}

} // namespace quorvane
