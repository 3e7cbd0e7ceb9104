#pragma once

#include "platform/port/TPortIo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <vector>

// One file as the device took it from a stream.
struct TReceivedFile
{
    QString Name; // the name it was stored under in the output folder
    std::uint32_t DeclaredSize = 0;
    std::uint64_t ReceivedBytes = 0;
    bool Complete = false;
};

// A Doctor64 on a parallel port, with the port's registers. It answers the start
// handshake and acknowledges each strobe the way the transfer component expects, decodes
// the stream ("GD6R", the file count, then size, 11-byte name and data per file) and
// writes each received file into an output folder as it arrives. A file only appears
// under its name once it is complete; an interrupted one is dropped. Every file is created
// new inside the folder and nothing there is followed or replaced: a name already taken
// gets a number (RACER.V64.2, RACER.V64.3 ...).
//
// Fault modes stand in for the ways a real device lets the sender down: absent (nothing
// drives the lines), stalling after a number of stream bytes, or never answering the
// handshake.
class TDoctor64 : public TPortIo
{
public:
    explicit TDoctor64(const QString& outputFolder, std::uint16_t baseAddress = 0x378);
    ~TDoctor64() override;
    TDoctor64(const TDoctor64&) = delete;
    TDoctor64& operator=(const TDoctor64&) = delete;

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;

    void SetAbsent(bool absent) { FAbsent = absent; }
    void SetIgnoreHandshake(bool ignore) { FIgnoreHandshake = ignore; }
    // Answers the start handshake up to the wait at this step (3, 6, 8, 11 or 13 of its
    // thirteen) and no further; 0 answers it all.
    void SetHandshakeStall(int step) { FHandshakeStall = step; }
    // Stop acknowledging once this many bytes of a stream were taken; negative: never.
    void SetStallAfter(std::int64_t bytes) { FStallAfter = bytes; }
    // The acknowledge line follows a strobe only after this many control-register reads.
    void SetAcknowledgeLatency(int reads) { FLatency = reads < 0 ? 0 : reads; }
    // Runs for every file the device finished or had to drop.
    void SetOnFileEnded(std::function<void(const TReceivedFile&)> handler)
    {
        FOnFileEnded = std::move(handler);
    }

    // The sender is gone (its connection closed): a file still arriving is dropped.
    void EndStream();

    std::uint16_t BaseAddress() const { return FBase; }
    // Moves the device to another port; only between transfers.
    void SetBaseAddress(std::uint16_t address) { FBase = address; }
    // The window's demonstration device answers on whichever port a transfer begins on,
    // the one Preferences chose last: it stands for a device, not for a cable.
    void SetFollowsTransfers(bool follows) { FFollowsTransfers = follows; }
    void Begin(std::uint16_t base) override
    {
        if (FFollowsTransfers)
            FBase = base;
    }
    QString OutputFolder() const { return FOutputFolder; }
    const std::vector<TReceivedFile>& Files() const { return FFiles; }
    int Handshakes() const { return FHandshakes; }
    bool Streaming() const { return FHandshake == hsStreaming; }
    // Of the stream since the last handshake:
    std::uint64_t StreamBytes() const { return FStreamBytes; }
    std::uint64_t TrailingBytes() const { return FTrailing; }
    QString StreamError() const { return FStreamError; }
    // Everything by which the stream since the last handshake did not end exactly after the
    // files it announced, one text each: no command block, a file that did not arrive
    // whole, fewer whole files than announced, bytes beyond the announced files. Empty for
    // a sound stream; asked once the sender is done (after EndStream for a peer).
    QStringList StreamFaults() const;
    // Register accesses since creation, on any address.
    std::uint64_t Reads() const { return FReads; }
    std::uint64_t Writes() const { return FWrites; }
    // The addresses read or written since creation or the last ForgetAddresses, in order.
    std::vector<std::uint16_t> AddressesSeen() const;
    void ForgetAddresses() { FSeen.reset(); }

    // The file name for an 11-byte name field: base and extension trimmed and joined by
    // a dot; anything that could leave the output folder is replaced.
    static QString FileNameFor(const QByteArray& field);
    // Makes Ctrl+C and SIGTERM remove the file being received before the process ends
    // with the signal, for a program that does not serve through TDoctor64Peer (whose
    // stop request ends serving cleanly).
    static void RemovePartOnInterrupt();

private:
    enum THandshakeState : std::uint8_t
    {
        hsIdle,
        hsFirstHigh,
        hsFirstLow,
        hsSecondHigh,
        hsStreaming,
    };
    enum TStreamState : std::uint8_t
    {
        ssMagic,
        ssCount,
        ssSize,
        ssName,
        ssData,
        ssTrailing,
    };

    void WriteControl(std::uint8_t value);
    void BeginHandshake();
    void Latch(std::uint8_t byte);
    void Decode(std::uint8_t byte);
    void OpenFile();
    void FlushData();
    void FinishFile();
    void DropFile(bool report);
    void FileEnded(bool complete);
    void CloseFile() noexcept;
    void StoreUnderFreeName();

    QString FOutputFolder;
    bool FFollowsTransfers = false;
    std::uint16_t FBase;
    bool FAbsent = false;
    bool FIgnoreHandshake = false;
    int FHandshakeStall = 0;
    std::int64_t FStallAfter = -1;
    int FLatency = 0;
    std::function<void(const TReceivedFile&)> FOnFileEnded;

    std::uint8_t FData = 0;
    std::uint8_t FControl = 0;
    bool FSelect = false;
    bool FAcknowledge = false;
    bool FStrobe = false;
    bool FAckPending = false;
    int FAckCountdown = 0;
    THandshakeState FHandshake = hsIdle;
    int FHandshakes = 0;
    std::uint64_t FReads = 0;
    std::uint64_t FWrites = 0;
    std::bitset<65536> FSeen;

    TStreamState FStream = ssMagic;
    std::array<std::uint8_t, 11> FField {};
    int FFieldFill = 0;
    int FFilesLeft = 0;
    // The count byte of the stream, -1 before it arrived.
    int FAnnounced = -1;
    // Where the stream's files begin in FFiles.
    std::size_t FStreamFiles = 0;
    std::uint32_t FSize = 0;
    std::uint64_t FReceived = 0;
    std::uint64_t FStreamBytes = 0;
    std::uint64_t FTrailing = 0;
    QString FStreamError;
    QString FFileName;
    int FFolderHandle = -1;
    int FFileHandle = -1; // the file being received, under FPartName until it is complete
    QByteArray FPartName;
    std::vector<char> FBuffer;
    std::size_t FBufferFill = 0;
    std::vector<TReceivedFile> FFiles;
};
