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
            error = QStringLiteral("Unbekannter Dateityp \"%1\" (erlaubt: exe, images, sounds, videos, docs).").arg(raw);
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

} // namespace

Arguments parseArguments(const QStringList &arguments)
{
    Arguments out;
    JobOptions &o = out.options;
    QStringList positional;
    bool listOnly = false;   // an option that only a listing takes was given
    bool imageOnly = false;  // an option that only an image takes was given
    QString imageOption;
    QString listOption;
    bool optionsEnded = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString token = arguments.at(i);
        if (optionsEnded || !token.startsWith(QLatin1Char('-')) || token == u"-") {
            positional.append(token);
            continue;
        }
        if (token == u"--") {
            optionsEnded = true;
            continue;
        }
        QString value;
        QString name;
        bool hasValue = splitInline(token, name, value);
        if (hasValue)
            token = name;
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= arguments.size()) {
                out.error = QStringLiteral("%1 braucht einen Wert.").arg(token);
                return false;
            }
            value = arguments.at(++i);
            hasValue = true;
            return true;
        };

        if (token == u"--help" || token == u"-h") {
            out.command = Command::Help;
            return out;
        } else if (token == u"--types") {
            if (!takeValue() || !setTypes(o, value, out.error))
                return out;
        } else if (token == u"--patterns") {
            if (!takeValue())
                return out;
            o.UserGroup = Checked;
            o.UserPatterns = value; // as typed: "" finds every file
        } else if (token == u"--all") {
            o.AllTypes = Checked;
        } else if (token == u"--top-level") {
            o.TopLevelOnly = Checked;
        } else if (token == u"-o" || token == u"--output") {
            if (!takeValue())
                return out;
            if (value.isEmpty()) {
                out.error = QStringLiteral("%1 braucht einen Dateinamen.").arg(token);
                return out;
            }
            out.outputFile = value;
            listOnly = true;
            listOption = token;
        } else if (token == u"-0" || token == u"--null") {
            out.nullEnded = true;
            listOnly = true;
            listOption = token;
        } else if (token == u"--recursive" || token == u"--null-byte" || token == u"--move"
                   || token == u"--structure-only") {
            if (token == u"--recursive")
                o.Recursive = Checked;
            else if (token == u"--null-byte")
                o.NullByte = Checked;
            else if (token == u"--move")
                o.DeleteSources = Checked;
            else
                o.StructureOnly = true;
            imageOnly = true;
            imageOption = token;
        } else {
            out.error = QStringLiteral("Unbekannte Option %1.").arg(token);
            return out;
        }
        if (hasValue && !(token == u"--types" || token == u"--patterns" || token == u"-o" || token == u"--output")) {
            out.error = QStringLiteral("%1 nimmt keinen Wert.").arg(token);
            return out;
        }
    }

    if (positional.isEmpty()) {
        out.error = QStringLiteral("Befehl fehlt: list oder image.");
        return out;
    }
    const QString command = positional.takeFirst();
    if (command == u"list") {
        out.command = Command::List;
        o.TextListing = true;
        if (imageOnly)
            out.error = QStringLiteral("%1 gilt nur für image.").arg(imageOption);
        else if (positional.size() != 1)
            out.error = QStringLiteral("list braucht genau ein Quell-Verzeichnis.");
        else if (out.nullEnded && !out.outputFile.isEmpty())
            out.error = QStringLiteral("-0 gilt nur für die Ausgabe, nicht zusammen mit -o.");
        else
            out.source = positional.at(0);
    } else if (command == u"image") {
        out.command = Command::Image;
        if (listOnly)
            out.error = QStringLiteral("%1 gilt nur für list.").arg(listOption);
        else if (positional.size() != 2)
            out.error = QStringLiteral("image braucht ein Quell- und ein Ziel-Verzeichnis.");
        else if (JobOptions::isSet(o.NullByte) && JobOptions::isSet(o.DeleteSources))
            out.error = QStringLiteral("--null-byte und --move schließen einander aus.");
        else if (o.StructureOnly && (JobOptions::isSet(o.NullByte) || JobOptions::isSet(o.DeleteSources)))
            out.error = QStringLiteral("--structure-only legt nur Verzeichnisse an; --null-byte und --move passen nicht dazu.");
        else {
            out.source = positional.at(0);
            out.target = positional.at(1);
        }
    } else {
        out.error = QStringLiteral("Unbekannter Befehl \"%1\": list oder image.").arg(command);
    }
    if (!out.error.isEmpty())
        out.command = Command::None;
    return out;
}

} // namespace quorvane::cli
