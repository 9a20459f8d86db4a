// The failure of a codec library call, with text the user can act on. The outputs let it pass
// through their worker, which makes it the run's failure text.
#pragma once

#include <QString>
#include <stdexcept>
#include <string>

class ECodecError : public std::runtime_error {
public:
    explicit ECodecError(const std::string& text) : std::runtime_error(text) {}
    QString Message() const { return QString::fromStdString(what()); }
};
