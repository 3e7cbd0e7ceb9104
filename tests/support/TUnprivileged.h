#pragma once

// Runs the code in its scope without the superuser's right to ignore file permissions, so
// tests of read-only files and folders mean the same for root as for a normal user. For a
// normal user it does nothing.
class TUnprivileged
{
public:
    TUnprivileged();
    ~TUnprivileged();
    TUnprivileged(const TUnprivileged&) = delete;
    TUnprivileged& operator=(const TUnprivileged&) = delete;

private:
    bool FDropped = false;
};
