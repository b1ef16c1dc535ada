#pragma once

#include <QList>
#include <Qt>

class QAbstractButton;
class QWidget;

namespace quorvane {

// The keyboard's way through a window: its controls in tab order, closed
// into a ring from the last back to the first. A control is a stop only
// while the user can see all of it: shown, enabled, and inside the window
// and every frame around it. The narrow layout cuts controls off at the
// window's edge and inside a frame; a key must never act on what the user
// cannot see.
class TabRing {
public:
    TabRing(QWidget &window, QList<QWidget *> controls);

    // The stop after (forward) or before the control that holds focus, the
    // ring's first or last stop when focus is elsewhere; nullptr when the
    // ring has no stop at all.
    QWidget *next(const QWidget *focus, bool forward) const;
    // The next option button of the same frame in that direction, without
    // going round; nullptr at the end.
    QAbstractButton *nextOption(const QAbstractButton *option, bool forward) const;

    bool isStop(const QWidget *control) const;
    bool inView(const QWidget *control) const;

    // A control out of view takes no focus, not even from a click on the
    // part that still shows; back in view it gets the policy it was built
    // with. Focus left on a control that went out of view moves on.
    void fitFocusToView();

private:
    int indexOf(const QWidget *focus) const;

    QWidget &m_window;
    QList<QWidget *> m_controls;
    QList<Qt::FocusPolicy> m_builtPolicies;
};

} // namespace quorvane
