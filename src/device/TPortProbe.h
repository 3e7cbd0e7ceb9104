#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class TGameDoctor;

// The overall answer of a probe.
enum TProbeVerdict : std::uint8_t
{
    pvDeviceAnswered = 0, // the Doctor64 answered the start handshake
    pvNoDevice = 1, // the port works but no device answered
    pvMissing = 2, // a right or the port itself is missing
};

// One check of a probe and what it found.
struct TProbeStep
{
    QString Name;
    bool Passed = false;
    QString Detail;
};

struct TProbeResult
{
    std::vector<TProbeStep> Steps; // in the order they ran; the first failure is the last
    TProbeVerdict Verdict = pvMissing;
};

// What works between the program and a Doctor64 on the transfer component's port, checked
// in order: the port is known to the kernel; the rights (the port's registers granted at
// start-up, the ppdev node); the exclusive claim; the data register reads back what was
// written; the start handshake, naming the step that saw no answer. The kernel, rights
// and claim checks only concern the real port. The probe writes nothing after the
// handshake and sends no command block, so the device is left waiting for one.
class TPortProbe
{
public:
    static TProbeResult Run(TGameDoctor& doctor);

    static constexpr int HandshakeSteps = 13;
};
