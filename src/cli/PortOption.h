#pragma once

#include "platform/port/TKernelPortList.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class THardwarePortIo;

// --port lpt1|lpt2|parportN|0xADDRESS: the parallel port a command drives or models, LPT1
// unless it says otherwise. A function, not a shared object, so that commands may put it
// into their own declarations while the program starts.
QCommandLineOption PortOption();

// --absent: with --simulate (TAttachedDevice::SimulateOption), no device attached; the
// same for send and probe.
QCommandLineOption AbsentOption();

// Where the kernel's lists are read: /proc, or the folder CONVEYOR_PROC_ROOT names, so that
// tests can lay out ports a machine does not have.
QString ProcRoot();
TKernelPortList KernelPorts();
// The real port, checked against the same lists as KernelPorts(), so that what a command
// prints about a port and what the port's checks find come from one list.
std::unique_ptr<THardwarePortIo> HardwarePort();

// The base address that --port names, without regard to letter case. On failure returns
// nothing and sets error to what wrong usage says.
std::optional<std::uint16_t> ChosenAddress(
    const QCommandLineParser& parser, const TKernelPortList& ports, QString* error);
