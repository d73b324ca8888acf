#pragma once
// A private-profile INI file: sections of "key=value" lines, read and updated in place.
//
// Reading: section and key names are matched without regard to case; the first section and the
// first key of a name count; a missing file, section or key yields the caller's default. Lines
// that are not "[section]" or "key=value" (comments, blank lines, garbage) are kept untouched.
//
// Writing: a written key replaces its own line; a new key goes to the end of its section and a
// new section to the end of the file; everything else stays as it was, byte for byte. Writes
// change the copy in memory; save() puts the whole file in place through a temporary file in the
// same folder, so a crash or a full disk never leaves a half-written file.
//
// Text is 8-bit: a value is read as UTF-8 when its bytes are valid UTF-8, else as Latin-1, and
// written as Latin-1 when every character fits, else as UTF-8. A UTF-8 byte-order mark at the
// start is not part of the first line (it would hide a section header there) and is kept when
// the file is saved. Numbers are written and read as FileNumber.h says, in every locale.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zuvo {

class IniFile {
public:
    // Larger files are not read (all defaults) and never overwritten.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    enum class LoadState {
        Missing,  // no file yet: reads give defaults, save() creates it
        Loaded,   // read completely
        Unusable, // a directory, unreadable or too large: reads give defaults, save() refuses
    };

    // Reads the file at `path` (nothing is kept open).
    explicit IniFile(QString path);
    // An empty file whose save() replaces whatever `path` holds: a file written anew.
    static IniFile replacing(QString path);

    const QString& path() const { return path_; }
    LoadState loadState() const { return state_; }

    // The value as stored (blanks around it removed, one pair of enclosing quotes removed), or
    // nullopt when the section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    bool hasKey(const QString& section, const QString& key) const;
    // The key names of a section in file order (first occurrence of each), empty when missing.
    QStringList keys(const QString& section) const;
    // How many sections of the name the file holds; only the first is read.
    int sectionCount(const QString& section) const;
    // The keys that stand more than once in the (first) section, each named once in file order;
    // only the first of them is read.
    QStringList repeatedKeys(const QString& section) const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // A whole number with an optional sign (parseFileInteger); anything else, or a value out of
    // range, gives `def`.
    int readInteger(const QString& section, const QString& key, int def) const;
    // A number with a decimal point or comma (parseFileNumber); anything else gives `def`.
    double readFloat(const QString& section, const QString& key, double def) const;

    // Returns false (and changes nothing) when the text cannot be stored as one line: an empty
    // or blank section or key, a line break anywhere, "]" in a section name, "=" in a key, or a
    // key that would read back as a section or comment.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    // Shortest form with up to 15 significant digits, ASCII digits and minus, `locale`'s decimal
    // separator when it is a point or comma (0.1 as "0,1" with a decimal comma, 100 as "100").
    bool writeFloat(const QString& section, const QString& key, double value,
                    const QLocale& locale = QLocale());

    // Line end for lines this class adds; an existing file keeps the line end of its first line.
    void setNewLineEnding(const QByteArray& ending);

    // Writes the file if anything changed. False when the file could not be written (or was
    // unusable when read); the file on disk is then unchanged.
    bool save();

    static QString formatFloat(double value, const QLocale& locale = QLocale());
    static std::optional<double> parseFloat(const QString& text);
    static std::optional<int> parseInteger(const QString& text);
    // The name of the section a line opens ('[' first after blanks, a ']' after it), or nothing.
    static std::optional<QByteArray> sectionName(const QByteArray& line);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;   // without its line end
        QByteArray ending; // "\n", "\r\n", "\r" or empty for a last line without one
        Kind kind = Kind::Other;
        QByteArray name; // section or key name, blanks removed
    };

    void parse(const QByteArray& data);
    static Line makeLine(QByteArray text, QByteArray ending);
    // Index of the section's header line, or -1.
    int findSection(const QByteArray& section) const;
    // Index of the key's line inside the section starting at `header`, or -1.
    int findKey(int header, const QByteArray& key) const;
    // One past the section's last line.
    int sectionEnd(int header) const;
    // The key lines of the (first) section with the section's name, in file order.
    std::vector<int> keyLines(const QString& section) const;
    QByteArray lineEnding() const;

    QString path_;
    QByteArray byteOrderMark_; // kept in front of the first line
    LoadState state_ = LoadState::Missing;
    std::vector<Line> lines_;
    QByteArray newLineEnding_ = "\r\n";
    bool dirty_ = false;
};

} // namespace zuvo
