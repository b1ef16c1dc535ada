#include "cli/listoutput.h"

#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/services.h"

namespace quorvane::cli {

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char('?');
    }
    return text;
}

ListOutput::ListOutput(ProgressToolkit &toolkit, StandardOutput &out, Form form)
    : m_toolkit(toolkit), m_out(out), m_form(form)
{
}

ListOutput::~ListOutput()
{
    // A run that never got to finish() leaves no list behind.
    if (m_fileNumber > 0)
        platform::fileSystem().abandonOutput(m_fileNumber);
}

platform::Status ListOutput::openListFile(const QString &drivePath)
{
    platform::FileSystem &fs = platform::fileSystem();
    m_fileNumber = fs.freeFile();
    const platform::Status opened = fs.openForOutput(m_fileNumber, drivePath);
    if (!opened.ok())
        m_fileNumber = 0;
    return opened;
}

QByteArray ListOutput::hostBytesOf(const QString &drivePath)
{
    // Names come from the scan exactly as stored: the folder is asked of the
    // disk once, the name is the bytes it stands for.
    const qsizetype cut = drivePath.lastIndexOf(QLatin1Char('\\'));
    const QString folder = drivePath.left(cut + 1);
    if (folder != m_lastFolder) {
        const platform::Result<QByteArray> host = platform::fileSystem().hostBytes(folder);
        m_lastFolder = folder;
        m_lastFolderHost = host.ok() ? host.value() : QByteArray();
    }
    if (m_lastFolderHost.isEmpty()) {
        const platform::Result<QByteArray> whole = platform::fileSystem().hostBytes(drivePath);
        return whole.ok() ? whole.value() : platform::encodeText(drivePath);
    }
    return platform::joinHost(m_lastFolderHost, platform::encodeName(drivePath.mid(cut + 1)));
}

void ListOutput::appendToFilePane(const QStringList &entries)
{
    if (m_form == Form::ListFile) {
        platform::FileSystem &fs = platform::fileSystem();
        for (const QString &entry : entries) {
            if (!m_failure.ok())
                break;
            m_failure = fs.printLine(m_fileNumber, oneLine(entry));
        }
        return;
    }
    m_toolkit.clearLine();
    QByteArray batch;
    for (const QString &entry : entries) {
        if (m_form == Form::NullEnded) {
            batch += hostBytesOf(entry);
            batch += '\0';
        } else {
            batch += platform::encodeText(oneLine(entry));
            batch += '\n';
        }
    }
    m_out.write(batch);
    m_out.flush();
}

platform::Status ListOutput::finish()
{
    if (m_form != Form::ListFile)
        return platform::Status::success();
    const int number = m_fileNumber;
    m_fileNumber = 0;
    // A list that lost a line is not put in place.
    if (!m_failure.ok()) {
        platform::fileSystem().abandonOutput(number);
        return m_failure;
    }
    return platform::fileSystem().closeFile(number);
}

} // namespace quorvane::cli
