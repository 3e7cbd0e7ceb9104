#pragma once

#include <QString>

#include <exception>
#include <string>

// The root of the program's own failures. Every failure the program reports to the user
// is one of these; the application's guard shows Message() in the error box.
class Exception : public std::exception
{
public:
    explicit Exception(const QString& message);

    const QString& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    QString FMessage;
    std::string FUtf8;
};
