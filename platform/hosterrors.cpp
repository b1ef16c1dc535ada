#include "platform/hosterrors.h"

#include <cerrno>
#include <cstring>

namespace quorvane::platform {

int errorFromErrno(int err)
{
    switch (err) {
    case 0:
        return ErrNone;
    case ENOENT:
        return ErrFileNotFound;
    case ENOTDIR:
    case ELOOP:
        return ErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ErrDiskFull;
    case EEXIST:
        return ErrFileExists;
    case EXDEV:
        return ErrRenameAcrossDisks;
    case EIO:
        return ErrDeviceIo;
    case ENAMETOOLONG:
    case EILSEQ:
        return ErrBadFileName;
    case EMFILE:
    case ENFILE:
        return ErrTooManyFiles;
    case EBADF:
        return ErrBadFileNameOrNumber;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        return ErrDeviceUnavailable;
    case EINVAL:
        return ErrInvalidCall;
    default: // EBUSY, ENOTEMPTY, EISDIR, ETXTBSY and the rest
        return ErrPathFileAccess;
    }
}

QString errorText(int number)
{
    switch (number) {
    case ErrNone:
        return {};
    case ErrInvalidCall:
        return QStringLiteral("Unzulässiger Prozeduraufruf oder ungültiges Argument");
    case ErrUserInterrupt:
        return QStringLiteral("Benutzerunterbrechung aufgetreten");
    case ErrBadFileNameOrNumber:
        return QStringLiteral("Dateiname oder -nummer falsch");
    case ErrFileNotFound:
        return QStringLiteral("Datei nicht gefunden");
    case ErrBadFileMode:
        return QStringLiteral("Dateimodus falsch");
    case ErrFileAlreadyOpen:
        return QStringLiteral("Datei bereits geöffnet");
    case ErrDeviceIo:
        return QStringLiteral("Fehler beim Lesen/Schreiben (Gerät)");
    case ErrFileExists:
        return QStringLiteral("Datei existiert bereits");
    case ErrDiskFull:
        return QStringLiteral("Festplatte voll");
    case ErrBadFileName:
        return QStringLiteral("Dateiname falsch");
    case ErrTooManyFiles:
        return QStringLiteral("Zu viele Dateien");
    case ErrDeviceUnavailable:
        return QStringLiteral("Gerät nicht verfügbar");
    case ErrPermissionDenied:
        return QStringLiteral("Zugriff verweigert");
    case ErrDiskNotReady:
        return QStringLiteral("Datenträger nicht bereit");
    case ErrRenameAcrossDisks:
        return QStringLiteral("Umbenennen auf ein anderes Laufwerk nicht möglich");
    case ErrPathFileAccess:
        return QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
    case ErrPathNotFound:
        return QStringLiteral("Pfad nicht gefunden");
    default:
        return QStringLiteral("Fehler %1").arg(number);
    }
}

QString hostReason(int err)
{
    switch (err) {
    case EACCES:
        return QStringLiteral("Keine Berechtigung");
    case EPERM:
        return QStringLiteral("Vorgang nicht erlaubt");
    case ENOENT:
        return QStringLiteral("Datei oder Verzeichnis nicht gefunden");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Verzeichnis");
    case EISDIR:
        return QStringLiteral("Ist ein Verzeichnis");
    case ENOSPC:
        return QStringLiteral("Kein Platz mehr auf dem Datenträger");
    case EDQUOT:
        return QStringLiteral("Speicherkontingent überschritten");
    case EFBIG:
        return QStringLiteral("Datei zu groß");
    case EEXIST:
        return QStringLiteral("Datei existiert bereits");
    case EROFS:
        return QStringLiteral("Dateisystem nur lesbar");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang");
    case ELOOP:
        return QStringLiteral("Zu viele Verknüpfungen hintereinander");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Zu viele offene Dateien");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Datei oder Gerät belegt");
    case EXDEV:
        return QStringLiteral("Anderes Dateisystem");
    case ENOTEMPTY:
        return QStringLiteral("Verzeichnis nicht leer");
    case EINVAL:
        return QStringLiteral("Ungültiges Argument");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("Gerät nicht vorhanden");
    case ENOMEDIUM:
        return QStringLiteral("Kein Datenträger eingelegt");
    case EOPNOTSUPP:
        return QStringLiteral("Vom Dateisystem nicht unterstützt");
    case EBADF:
        return QStringLiteral("Ungültiger Dateideskriptor");
    case ENOMEM:
        return QStringLiteral("Nicht genügend Hauptspeicher verfügbar");
    case ESTALE:
        return QStringLiteral("Veraltete Dateizugriffsnummer (file handle)");
    case EUCLEAN:
        return QStringLiteral("Die Struktur muss bereinigt werden");
    case EPIPE:
        return QStringLiteral("Empfänger hat die Verbindung geschlossen");
    case EILSEQ:
        return QStringLiteral("Name ist nicht gültig kodiert");
    default:
        return QStringLiteral("Systemfehler %1 (%2)").arg(err).arg(QString::fromLocal8Bit(std::strerror(err)));
    }
}

Status failureFor(int number, const QString &path, const QString &detail)
{
    QString text = errorText(number);
    if (!path.isEmpty())
        text += QStringLiteral(": ") + path;
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    Status out = Status::failure(number, text);
    out.reason = detail.isEmpty() ? errorText(number) : detail;
    out.subject = path;
    return out;
}

Status errnoFailure(int err, const QString &path)
{
    return failureFor(errorFromErrno(err), path, hostReason(err));
}

QString reasonOf(const Status &status)
{
    return status.reason.isEmpty() ? errorText(status.error) : status.reason;
}

} // namespace quorvane::platform
