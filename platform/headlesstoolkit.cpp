#include "platform/headlesstoolkit.h"

#include <QCoreApplication>

#include <cstdio>

namespace quorvane::platform {

int firstButtonAnswer(int style)
{
    switch (style & 7) {
    case 2: // Abort, Retry, Ignore
        return 3;
    case 3: // Yes, No, Cancel
    case 4: // Yes, No
        return AnswerYes;
    case 5: // Retry, Cancel
        return 4;
    default: // OK, OK/Cancel
        return AnswerOk;
    }
}

void HeadlessToolkit::yield()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

int HeadlessToolkit::messageBox(const QString &prompt, int style, const QString &title)
{
    const QByteArray line = (title + QStringLiteral(": ") + prompt).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    return firstButtonAnswer(style);
}

QSize HeadlessToolkit::screenSizeTwips() const
{
    return {1024 * 15, 768 * 15};
}

} // namespace quorvane::platform
