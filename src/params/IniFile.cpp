#include "params/IniFile.h"

#include "params/FileNumber.h"
#include "params/FileReplace.h"
#include "params/InputFileCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QUtf8StringView>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace zuvo {

namespace {

QString decode(const QByteArray& bytes) {
    if (QUtf8StringView(bytes).isValidUtf8()) {
        return QString::fromUtf8(bytes);
    }
    return QString::fromLatin1(bytes);
}

QByteArray encode(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() > 0xFF) {
            return text.toUtf8();
        }
    }
    return text.toLatin1();
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isBlank(const QByteArray& text) {
    return text.trimmed().isEmpty();
}

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {
    // Only regular files: a directory cannot be read and a FIFO or device could block forever.
    const InputFileCheck check = checkInputFile(path_);
    if (check.problem == InputFileCheck::Problem::Missing) {
        state_ = LoadState::Missing;
        return;
    }
    if (!check.ok() || QFileInfo(path_).size() > MaxFileSize) {
        state_ = LoadState::Unusable;
        return;
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        state_ = LoadState::Unusable;
        return;
    }
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize || file.error() != QFileDevice::NoError) {
        state_ = LoadState::Unusable;
        return;
    }
    parse(data);
    state_ = LoadState::Loaded;
}

void IniFile::parse(const QByteArray& data) {
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    qsizetype start = 0;
    if (data.startsWith(utf8Bom)) {
        byteOrderMark_ = utf8Bom;
        start = utf8Bom.size();
    }
    while (start < data.size()) {
        const qsizetype nl = data.indexOf('\n', start);
        if (nl < 0) {
            lines_.push_back(makeLine(data.mid(start), QByteArray()));
            break;
        }
        qsizetype end = nl;
        if (end > start && data[end - 1] == '\r') {
            --end;
        }
        lines_.push_back(makeLine(data.mid(start, end - start), data.mid(end, nl + 1 - end)));
        start = nl + 1;
    }
}

std::optional<QByteArray> IniFile::sectionName(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(']');
    if (!trimmed.startsWith('[') || close <= 0) {
        return std::nullopt;
    }
    return trimmed.mid(1, close - 1).trimmed();
}

IniFile::Line IniFile::makeLine(QByteArray text, QByteArray ending) {
    Line line{std::move(text), std::move(ending), Kind::Other, {}};
    const QByteArray trimmed = line.text.trimmed();
    if (trimmed.startsWith('[')) {
        if (std::optional<QByteArray> name = sectionName(trimmed)) {
            line.kind = Kind::Section;
            line.name = std::move(*name);
        }
        return line;
    }
    if (trimmed.startsWith(';') || trimmed.startsWith('#')) {
        return line;
    }
    const qsizetype eq = trimmed.indexOf('=');
    if (eq > 0) {
        QByteArray name = trimmed.left(eq).trimmed();
        if (!name.isEmpty()) {
            line.kind = Kind::Key;
            line.name = std::move(name);
        }
    }
    return line;
}

int IniFile::findSection(const QByteArray& section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IniFile::sectionEnd(int header) const {
    std::size_t i = static_cast<std::size_t>(header) + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) {
        ++i;
    }
    return static_cast<int>(i);
}

int IniFile::findKey(int header, const QByteArray& key) const {
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& line = lines_[static_cast<std::size_t>(i)];
        if (line.kind == Kind::Key && sameName(line.name, key)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const {
    const int header = findSection(encode(section.trimmed()));
    if (header < 0) {
        return std::nullopt;
    }
    const int index = findKey(header, encode(key.trimmed()));
    if (index < 0) {
        return std::nullopt;
    }
    const QByteArray& text = lines_[static_cast<std::size_t>(index)].text;
    QByteArray raw = text.mid(text.indexOf('=') + 1).trimmed();
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
        raw.back() == raw.front()) {
        raw = raw.mid(1, raw.size() - 2);
    }
    return decode(raw);
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return value(section, key).has_value();
}

std::vector<int> IniFile::keyLines(const QString& section) const {
    std::vector<int> result;
    const int header = findSection(encode(section.trimmed()));
    if (header < 0) {
        return result;
    }
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (lines_[static_cast<std::size_t>(i)].kind == Kind::Key) {
            result.push_back(i);
        }
    }
    return result;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList result;
    const int header = findSection(encode(section.trimmed()));
    for (const int i : keyLines(section)) {
        const Line& line = lines_[static_cast<std::size_t>(i)];
        if (findKey(header, line.name) == i) {
            result.append(decode(line.name));
        }
    }
    return result;
}

int IniFile::sectionCount(const QString& section) const {
    const QByteArray name = encode(section.trimmed());
    return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&name](const Line& line) {
        return line.kind == Kind::Section && sameName(line.name, name);
    }));
}

QStringList IniFile::repeatedKeys(const QString& section) const {
    QStringList result;
    const int header = findSection(encode(section.trimmed()));
    for (const int i : keyLines(section)) {
        const Line& line = lines_[static_cast<std::size_t>(i)];
        const QString name = decode(line.name);
        // Named once, as its second line spells it.
        if (findKey(header, line.name) != i && !result.contains(name, Qt::CaseInsensitive)) {
            result.append(name);
        }
    }
    return result;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    return value(section, key).value_or(def);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const auto text = value(section, key);
    return text ? parseInteger(*text).value_or(def) : def;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const {
    const auto text = value(section, key);
    return text ? parseFloat(*text).value_or(def) : def;
}

std::optional<int> IniFile::parseInteger(const QString& text) {
    const std::optional<std::int64_t> v = parseFileInteger(text);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

std::optional<double> IniFile::parseFloat(const QString& text) {
    return parseFileNumber(text);
}

QString IniFile::formatFloat(double value, const QLocale& locale) {
    return fileNumber(value, fileDecimalSeparator(locale));
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    if (s.isEmpty() || k.isEmpty() || hasLineBreak(s) || hasLineBreak(k) || hasLineBreak(value) ||
        s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')) ||
        k.startsWith(QLatin1Char('[')) || k.startsWith(QLatin1Char(';')) ||
        k.startsWith(QLatin1Char('#'))) {
        return false;
    }
    const QByteArray ending = lineEnding();
    Line keyLine = makeLine(encode(k) + '=' + encode(value), ending);

    const int header = findSection(encode(s));
    if (header < 0) {
        if (!lines_.empty() && lines_.back().ending.isEmpty()) {
            lines_.back().ending = ending;
        }
        lines_.push_back(makeLine('[' + encode(s) + ']', ending));
        lines_.push_back(std::move(keyLine));
        dirty_ = true;
        return true;
    }
    const int index = findKey(header, encode(k));
    if (index >= 0) {
        Line& old = lines_[static_cast<std::size_t>(index)];
        keyLine.ending = old.ending;
        old = std::move(keyLine);
        dirty_ = true;
        return true;
    }
    // After the section's last non-blank line, so a blank line before the next section stays.
    int at = sectionEnd(header);
    while (at > header + 1 && isBlank(lines_[static_cast<std::size_t>(at - 1)].text)) {
        --at;
    }
    Line& before = lines_[static_cast<std::size_t>(at - 1)];
    if (before.ending.isEmpty()) {
        before.ending = ending;
    }
    lines_.insert(lines_.begin() + at, std::move(keyLine));
    dirty_ = true;
    return true;
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeFloat(const QString& section, const QString& key, double value,
                         const QLocale& locale) {
    return writeString(section, key, formatFloat(value, locale));
}

void IniFile::setNewLineEnding(const QByteArray& ending) {
    newLineEnding_ = ending;
}

QByteArray IniFile::lineEnding() const {
    if (!lines_.empty() && !lines_.front().ending.isEmpty()) {
        return lines_.front().ending;
    }
    return newLineEnding_;
}

IniFile IniFile::replacing(QString path) {
    IniFile file{QString()};
    file.path_ = std::move(path);
    return file;
}

bool IniFile::save() {
    if (state_ == LoadState::Unusable) {
        return false;
    }
    if (!dirty_) {
        return true;
    }
    QByteArray text = byteOrderMark_;
    for (const Line& line : lines_) {
        text += line.text + line.ending;
    }
    if (!replaceFile(path_, text).ok()) {
        return false; // the old file stays
    }
    state_ = LoadState::Loaded;
    dirty_ = false;
    return true;
}

} // namespace zuvo
