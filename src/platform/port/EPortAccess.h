#pragma once

#include "platform/Exception.h"

#include <cstdint>

// A port backend that cannot reach its registers or its device peer at all (as opposed
// to a device that does not answer, which is EPortTimeout).
class EPortAccess : public Exception
{
public:
    using Exception::Exception;

    // The program was refused the port at address with the system error number error.
    // The message names the address and what the user can do about it.
    static EPortAccess Refused(std::uint16_t address, int error);
    // Another program or driver holds the port called name: "LPT1 is in use by another
    // program."
    // The remedy for a program that lacks the capability for port I/O.
    static QString GrantCapabilityText(const QString& programPath);
    static EPortAccess InUse(const QString& name);
};
