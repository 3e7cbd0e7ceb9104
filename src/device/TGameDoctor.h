#pragma once

#include "device/TPortChoice.h"
#include "image/TImageReader.h"
#include "platform/port/TPortAddress.h"
#include "platform/port/TPortIo.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

class THardwarePortIo;

enum TGameDoctorAction : std::uint8_t
{
    gaConnecting = 0,
    gaConnected = 1,
    gaSending = 2,
};

// Action, FileName, FileNumber, Progress.
using TProgressEvent = std::function<void(TGameDoctorAction, QString, std::uint8_t, std::uint8_t)>;
using TTimeoutHook = std::function<void()>;

// The transfer component: talks to a Doctor64 on one parallel port and sends it files.
// It knows nothing of windows or settings; its owner supplies the progress handler and the
// hook that runs when the device stops answering.
class TGameDoctor : public QObject
{
    Q_OBJECT

public:
    static constexpr std::uint16_t LPT1Address = TPortAddress::LPT1;
    static constexpr std::uint16_t LPT2Address = TPortAddress::LPT2;
    static constexpr std::int32_t WaitLimit = 1000000;
    static constexpr int BlockSize = 0x8000;

    explicit TGameDoctor(QObject* owner = nullptr);
    ~TGameDoctor() override;

    TParallelPort Port() const { return FPort; }
    void SetPort(TParallelPort port);
    std::uint16_t PortAddress() const { return FPortAddress; }
    // Any port by its base address, such as a PCI Express card's 0xD010. Port keeps its
    // value; 0x378 and 0x278 are LPT1 and LPT2 under another name. A change made while
    // SendFiles runs (the preferences stay usable during a delivery) takes effect at the
    // next transfer: a transfer keeps the port it started on to its end.
    void SetPortAddress(std::uint16_t address);
    bool PortByAddress() const { return FByAddress; }
    // The one way the program's parts (the preferences, the settings at start-up,
    // conveyor-cli's --port) aim the component: LPT1 and LPT2 through SetPort, any other
    // port through SetPortAddress.
    void SetPortChoice(const TPortChoice& choice);

    // The registers are reached through port; nullptr goes back to the real hardware.
    // The component does not own port.
    void SetPortIo(TPortIo* port);
    TPortIo* PortIo() const { return FPortIo; }

    void SetOnProgress(TProgressEvent handler) { FOnProgress = std::move(handler); }
    void SetOnTimeout(TTimeoutHook hook) { FOnTimeout = std::move(hook); }
    // The bytes of file data the transfer running or the last one put on the port (headers
    // not counted).
    std::uint64_t SentBytes() const { return FSentBytes; }

    // The warning EPortTimeout carries (TPortChoice::TimeoutText): "Warning, could not
    // locate any doctor on LPT1." and its LPT2 twin, for a port by address "... at port
    // 0xD010.", and the LPT texts for 0x378 and 0x278.
    static QString TimeoutText(TParallelPort port);
    static QString TimeoutTextAt(std::uint16_t address);

    std::uint8_t ReadPort(std::uint16_t address) { return FPortIo->Read(address); }
    void WritePort(std::uint16_t address, std::uint8_t value) { FPortIo->Write(address, value); }

    // Both poll address until (value & mask) is non-zero, or zero, and return that value.
    // limit counts reads: 0 waits for ever, a negative limit times out without a read.
    std::uint8_t WaitBitSet(std::uint16_t address, std::uint8_t mask, std::int32_t limit);
    std::uint8_t WaitBitClear(std::uint16_t address, std::uint8_t mask, std::int32_t limit);

    void StartHandshake();
    // The step of the start handshake (1 to 13) run last; a wait that ran out is that step.
    int HandshakeStep() const { return FHandshakeStep; }
    void SendBytes(const std::uint8_t* buffer, std::int32_t count);

    // Refuses, before the device hears anything of a list, a file that could not go out
    // whole (a refusal halfway would leave the device holding part of the list): one that
    // cannot be opened (EFOpenError), is no regular file or one of /proc or /sys, is larger
    // than the size field can announce, or is in another byte order and not a whole number
    // of its words (Exception). Returns the file opened: what a transfer sends is read from
    // that descriptor, so a file swapped for another after its check changes nothing.
    static std::unique_ptr<TImageReader> CheckFile(const QString& path);

    // The files of one transfer, each opened and checked once (CheckFile): a reader for
    // each, or, for a file that could not be opened, the error the transfer raises when its
    // turn comes (the device then holds the files before it, as it always has).
    struct TCheckedFiles
    {
        QStringList Paths;
        std::vector<std::unique_ptr<TImageReader>> Readers;
        std::vector<std::exception_ptr> OpenErrors;
    };
    // Raises at once for a file that is there but could not go out whole.
    static TCheckedFiles CheckFiles(const QStringList& fileNames);

    void SendFile(const QString& fileName);
    void SendFiles(const QStringList& fileNames);
    // The same for files checked beforehand, so that a caller that looks at them first
    // (conveyor-cli's refusals) does not read them twice.
    void SendCheckedFiles(TCheckedFiles files);
    void SendText(const QByteArray& text);
    void SendInteger(std::int32_t value);
    void SendFileHeader(std::int32_t size, const QByteArray& name);
    // The name field the device gets for a file: built from its name as it always was when
    // that gives 11 bytes, otherwise the 8 + 3 form of its name (the device reads 11). A
    // character the device cannot show (outside printable Windows-1252) goes out as "_".
    static QByteArray FormatDeviceName(const QString& path);

private:
    [[noreturn]] void TimedOut();
    // The port the registers are used at: the transfer's own while one runs.
    std::uint16_t ActiveAddress() const { return FInTransfer ? FTransferAddress : FPortAddress; }
    void SendOneFile(TImageReader& reader, std::uint8_t fileNumber);
    void Report(TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
        std::uint8_t progress);

    TParallelPort FPort = ppLPT1;
    std::uint16_t FPortAddress = LPT1Address;
    bool FByAddress = false;
    bool FInTransfer = false;
    std::uint16_t FTransferAddress = LPT1Address;
    int FHandshakeStep = 0;
    TProgressEvent FOnProgress;
    TTimeoutHook FOnTimeout;
    std::uint64_t FSentBytes = 0;
    std::unique_ptr<THardwarePortIo> FHardware;
    TPortIo* FPortIo;
    std::unique_ptr<std::uint8_t[]> FBlock;
};

// The polls are the hot path of a transfer: kept inline, with the rare time-out out of line.
inline std::uint8_t TGameDoctor::WaitBitSet(
    std::uint16_t address, std::uint8_t mask, std::int32_t limit)
{
    std::int32_t n = limit == 0 ? 1 : limit;
    while (n > 0) {
        const std::uint8_t value = ReadPort(address);
        if (value & mask)
            return value;
        if (limit != 0)
            --n;
    }
    TimedOut();
}

inline std::uint8_t TGameDoctor::WaitBitClear(
    std::uint16_t address, std::uint8_t mask, std::int32_t limit)
{
    std::int32_t n = limit == 0 ? 1 : limit;
    while (n > 0) {
        const std::uint8_t value = ReadPort(address);
        if (!(value & mask))
            return value;
        if (limit != 0)
            --n;
    }
    TimedOut();
}
