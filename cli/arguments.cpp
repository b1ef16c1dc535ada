#include "cli/arguments.h"

namespace quorvane::cli {

namespace {

bool setTypes(JobOptions &options, const QString &list, QString &error)
{
    const QStringList names = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (names.isEmpty()) {
        error = QStringLiteral("--types braucht mindestens einen Typ (exe, images, sounds, videos, docs).");
        return false;
    }
    for (const QString &raw : names) {
        const QString name = raw.trimmed().toLower();
        if (name == u"exe")
            options.ExeGroup = Checked;
        else if (name == u"images")
            options.ImageGroup = Checked;
        else if (name == u"sounds")
            options.SoundGroup = Checked;
        else if (name == u"videos")
            options.VideoGroup = Checked;
        else if (name == u"docs")
            options.TextGroup = Checked;
        else {
            error =
                QStringLiteral("Unbekannter Dateityp \"%1\" (erlaubt: exe, images, sounds, videos, docs).").arg(raw);
            return false;
        }
    }
    return true;
}

// Splits "--name=value"; returns false when the token carries no "=".
bool splitInline(const QString &token, QString &name, QString &value)
{
    const qsizetype eq = token.indexOf(QLatin1Char('='));
    if (!token.startsWith(QLatin1String("--")) || eq < 0)
        return false;
    name = token.left(eq);
    value = token.mid(eq + 1);
    return true;
}

// Which command an option belongs to, when not to every one.
enum class Only { Any, List, Image, Undo };

class Parser {
public:
    explicit Parser(const QStringList &arguments) : m_arguments(arguments) {}

    Arguments run()
    {
        for (m_i = 0; m_i < m_arguments.size() && m_out.error.isEmpty(); ++m_i) {
            const QString &token = m_arguments.at(m_i);
            if (m_optionsEnded || !token.startsWith(QLatin1Char('-')) || token == u"-")
                m_positional.append(token);
            else if (token == u"--")
                m_optionsEnded = true;
            else if (!takeOption(token))
                break; // --help or --version: the rest does not matter
        }
        if (m_out.error.isEmpty() && m_out.command == Command::None)
            finishCommand();
        if (!m_out.error.isEmpty())
            m_out.command = Command::None;
        return m_out;
    }

private:
    // False when the option ends the parsing.
    bool takeOption(QString token);
    // An option with a value; false when token is none. takesValue: whether it is one.
    bool takeValueOption(const QString &token, bool &takesValue);
    bool takeFlag(const QString &token);
    bool takeValue(const QString &token);
    void note(Only only, const QString &token);
    void finishCommand();
    void finishList();
    void finishImage();
    void finishUndo();
    bool refuseOthers(Only command);

    const QStringList &m_arguments;
    qsizetype m_i = 0;
    Arguments m_out;
    QStringList m_positional;
    bool m_optionsEnded = false;
    QString m_value;
    bool m_hasValue = false;
    QString m_first[4]; // per Only: the first option given that belongs there alone
};

bool Parser::takeValue(const QString &token)
{
    if (m_hasValue)
        return true;
    if (m_i + 1 >= m_arguments.size()) {
        m_out.error = QStringLiteral("%1 braucht einen Wert.").arg(token);
        return false;
    }
    m_value = m_arguments.at(++m_i);
    m_hasValue = true;
    return true;
}

void Parser::note(Only only, const QString &token)
{
    QString &first = m_first[int(only)];
    if (first.isEmpty())
        first = token;
}

bool Parser::takeOption(QString token)
{
    QString name;
    m_hasValue = splitInline(token, name, m_value);
    if (m_hasValue)
        token = name;
    if (token == u"--help" || token == u"-h") {
        m_out.command = Command::Help;
        return false;
    }
    if (token == u"--version") {
        m_out.command = Command::Version;
        return false;
    }
    bool takesValue = false;
    if (takeValueOption(token, takesValue) || takeFlag(token)) {
        if (m_out.error.isEmpty() && m_hasValue && !takesValue)
            m_out.error = QStringLiteral("%1 nimmt keinen Wert.").arg(token);
    } else {
        m_out.error = QStringLiteral("Unbekannte Option %1.").arg(token);
    }
    return true;
}

bool Parser::takeValueOption(const QString &token, bool &takesValue)
{
    takesValue = true;
    if (token == u"--types") {
        if (takeValue(token))
            setTypes(m_out.options, m_value, m_out.error);
    } else if (token == u"--patterns") {
        if (takeValue(token)) {
            m_out.options.UserGroup = Checked;
            m_out.options.UserPatterns = m_value; // as typed: "" finds every file
        }
    } else if (token == u"-o" || token == u"--output" || token == u"--journal") {
        if (takeValue(token) && m_value.isEmpty())
            m_out.error = QStringLiteral("%1 braucht einen Dateinamen.").arg(token);
        const bool journal = token == u"--journal";
        (journal ? m_out.journalFile : m_out.outputFile) = m_value;
        note(journal ? Only::Image : Only::List, token);
    } else {
        takesValue = false;
    }
    return takesValue;
}

bool Parser::takeFlag(const QString &token)
{
    struct Flag {
        const char *name;
        Only only;
        void (*set)(Arguments &);
    };
    static const Flag flags[] = {
        {"--all", Only::Any, [](Arguments &a) { a.options.AllTypes = Checked; }},
        {"--top-level", Only::Any, [](Arguments &a) { a.options.TopLevelOnly = Checked; }},
        {"--json", Only::Any, [](Arguments &a) { a.json = true; }},
        {"-0", Only::List, [](Arguments &a) { a.nullEnded = true; }},
        {"--null", Only::List, [](Arguments &a) { a.nullEnded = true; }},
        {"--recursive", Only::Image, [](Arguments &a) { a.options.Recursive = Checked; }},
        {"--null-byte", Only::Image, [](Arguments &a) { a.options.NullByte = Checked; }},
        {"--move", Only::Image, [](Arguments &a) { a.options.DeleteSources = Checked; }},
        {"--structure-only", Only::Image, [](Arguments &a) { a.options.StructureOnly = true; }},
        {"--dry-run", Only::Image, [](Arguments &a) { a.options.DryRun = true; }},
        {"--skip-identical", Only::Image, [](Arguments &a) { a.options.SkipIdentical = true; }},
        {"--last", Only::Undo, [](Arguments &a) { a.undoLast = true; }},
    };
    for (const Flag &flag : flags) {
        if (token == QLatin1String(flag.name)) {
            flag.set(m_out);
            if (flag.only != Only::Any)
                note(flag.only, token);
            return true;
        }
    }
    return false;
}

// An option of another command is named; true when there was one.
bool Parser::refuseOthers(Only command)
{
    static const char *const names[] = {"", "list", "image", "undo"};
    for (const Only other : {Only::List, Only::Image, Only::Undo}) {
        const QString &given = m_first[int(other)];
        if (other != command && !given.isEmpty()) {
            m_out.error = QStringLiteral("%1 gilt nur für %2.").arg(given, QLatin1String(names[int(other)]));
            return true;
        }
    }
    return false;
}

void Parser::finishCommand()
{
    if (m_positional.isEmpty()) {
        m_out.error = QStringLiteral("Befehl fehlt: list, image oder undo.");
        return;
    }
    const QString command = m_positional.takeFirst();
    if (command == u"list")
        finishList();
    else if (command == u"image")
        finishImage();
    else if (command == u"undo")
        finishUndo();
    else
        m_out.error = QStringLiteral("Unbekannter Befehl \"%1\": list, image oder undo.").arg(command);
}

void Parser::finishList()
{
    m_out.command = Command::List;
    m_out.options.TextListing = true;
    if (refuseOthers(Only::List))
        return;
    if (m_positional.size() != 1)
        m_out.error = QStringLiteral("list braucht genau ein Quell-Verzeichnis.");
    else if (m_out.nullEnded && !m_out.outputFile.isEmpty())
        m_out.error = QStringLiteral("-0 gilt nur für die Ausgabe, nicht zusammen mit -o.");
    else if (m_out.json && m_out.outputFile.isEmpty())
        m_out.error = QStringLiteral("--json braucht bei list -o DATEI: die Ausgabe gehört sonst der Liste.");
    else
        m_out.source = m_positional.at(0);
}

void Parser::finishImage()
{
    const JobOptions &o = m_out.options;
    m_out.command = Command::Image;
    if (refuseOthers(Only::Image))
        return;
    if (m_positional.size() != 2)
        m_out.error = QStringLiteral("image braucht ein Quell- und ein Ziel-Verzeichnis.");
    else if (JobOptions::isSet(o.NullByte) && JobOptions::isSet(o.DeleteSources))
        m_out.error = QStringLiteral("--null-byte und --move schließen einander aus.");
    else if (o.StructureOnly && (JobOptions::isSet(o.NullByte) || JobOptions::isSet(o.DeleteSources)))
        m_out.error =
            QStringLiteral("--structure-only legt nur Verzeichnisse an; --null-byte und --move passen nicht dazu.");
    else if (o.SkipIdentical && (JobOptions::isSet(o.NullByte) || o.StructureOnly))
        m_out.error =
            QStringLiteral("--skip-identical vergleicht Inhalte; mit --null-byte oder --structure-only gibt es keine.");
    else if (o.StructureOnly && (o.DryRun || !m_out.journalFile.isEmpty()))
        m_out.error =
            QStringLiteral("--structure-only legt nur Verzeichnisse an; --dry-run und --journal gelten für Dateien.");
    else if (o.DryRun && !m_out.journalFile.isEmpty())
        m_out.error = QStringLiteral("--dry-run schreibt nichts, auch kein Protokoll (--journal).");
    else {
        m_out.source = m_positional.at(0);
        m_out.target = m_positional.at(1);
    }
}

void Parser::finishUndo()
{
    m_out.command = Command::Undo;
    if (refuseOthers(Only::Undo))
        return;
    if (m_out.json)
        m_out.error = QStringLiteral("--json gilt nur für list und image.");
    else if (m_out.undoLast ? !m_positional.isEmpty() : m_positional.size() != 1)
        m_out.error = QStringLiteral("undo braucht genau eine Protokoll-Datei oder --last.");
    else if (!m_out.undoLast)
        m_out.undoFile = m_positional.at(0);
}

} // namespace

Arguments parseArguments(const QStringList &arguments)
{
    return Parser(arguments).run();
}

} // namespace quorvane::cli
