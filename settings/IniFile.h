// An INI file held in memory line by line, read and written with the profile semantics that
// stored settings files rely on. Not thread-safe: one owner at a time.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class TIniFile {
public:
    // Reads `path`. A missing file gives an empty document; an existing file that cannot be
    // read throws TSettingsError, so a later save can never drop what it held. Each line is
    // read as UTF-8, or as Latin-1 when it is not valid UTF-8; save() writes UTF-8.
    explicit TIniFile(const QString& path);

    const QString& path() const { return m_path; }

    // Value of the first occurrence of `key` in the first section named `section`; both names
    // match without regard to case. Blanks around the value are trimmed and a value in
    // matching double quotes loses them. No value when the section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces the value of the first occurrence in place, or adds the key at the end of its
    // section, or adds the section at the end of the document. Line breaks in the value become
    // blanks; a value that would not read back unchanged is written in double quotes.
    void setValue(const QString& section, const QString& key, const QString& value);
    // Removes the first occurrence of `key` in the first section named `section`; nothing
    // happens when it is missing. The section stays, even when it is left empty.
    void removeKey(const QString& section, const QString& key);

    bool hasSection(const QString& section) const;
    // The keys of the first section named `section`, in file order; empty when it is missing.
    QStringList keys(const QString& section) const;

    // Writes the whole document to a temporary file in the same folder and renames it over
    // the old one. Throws TSettingsError with the path and the system's reason on failure; the
    // old file is then untouched.
    void save() const;

private:
    struct Located {
        int sectionHeader = -1; // line index of the "[section]" line, -1 when absent
        int sectionEnd = -1;    // one past the last line belonging to the section
        int keyLine = -1;       // line index of the key, -1 when absent
    };
    Located locate(const QString& section, const QString& key) const;
    static std::optional<QString> sectionName(const QString& line);
    static std::optional<std::pair<QString, QString>> keyValue(const QString& line);

    QString m_path;
    QStringList m_lines;
    bool m_crlf = false;
};
