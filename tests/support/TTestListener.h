#pragma once

#include <QFile>
#include <QString>

#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A listening Unix socket standing in for a device peer.
class TTestListener
{
public:
    explicit TTestListener(const QString& path)
        : FHandle(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, QFile::encodeName(path).constData());
        if (::bind(FHandle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0
            || ::listen(FHandle, 1) != 0)
            throw std::runtime_error("cannot listen");
    }
    ~TTestListener() { ::close(FHandle); }
    TTestListener(const TTestListener&) = delete;
    TTestListener& operator=(const TTestListener&) = delete;

    int Accept() const { return ::accept(FHandle, nullptr, nullptr); }

private:
    int FHandle;
};
