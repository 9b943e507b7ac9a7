#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Single-byte text files in Windows-1252 with CR LF line ends, written so that
// a failure never leaves a half-written line behind.
class TextFile
{
public:
    struct Result
    {
        bool ok = true;
        int error = 0; // errno, or NotRegularFile
        QString reason() const;
    };
    static constexpr int NotRegularFile = -1;

    enum class Presence { Missing, RegularFile, Unusable };

    static QByteArray encode(const QString &text);
    static QString decode(QByteArrayView bytes);

    // True when every character survives the trip through Windows-1252 and
    // none is a control character (which would break the line structure).
    static bool isStorable(const QString &text);

    // The bytes of the given lines, each followed by CR LF.
    static QByteArray lines(std::initializer_list<QString> lines);

    // What lies at the path, without following a symlink: only a regular file
    // may be read or written.
    static Presence presence(const QString &path);

    // Creates the file only if nothing exists at the path (error EEXIST
    // otherwise), with all bytes written and synced before it appears under
    // its name; nothing is left behind when it could not be completed.
    static Result createNew(const QString &path, const QByteArray &bytes);

    // Appends in one write to an existing regular file and syncs it; a
    // partly written tail is cut back.
    static Result append(const QString &path, const QByteArray &bytes);

    static QString reasonText(int error);

private:
    static Result createInPlace(const QString &path, const QByteArray &bytes);
};
