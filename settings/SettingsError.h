// Raised when a settings or disc-text file cannot be read or written; the text names the file
// and the system's reason so that the user can act on it.
#pragma once

#include <QString>
#include <stdexcept>

class TSettingsError : public std::runtime_error {
public:
    explicit TSettingsError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& Message() const { return m_text; }

private:
    QString m_text;
};
