#pragma once

#include "TFakeClaim.h"
#include "TGrantedRights.h"
#include "TProcFolder.h"
#include "TRecordingPort.h"
#include "TTestFolder.h"
#include "device/TGameDoctor.h"
#include "platform/port/THardwarePortIo.h"
#include "simulator/TDoctor64.h"

#include <functional>

// A Doctor64 model on a PCI Express card at 0xD010, driven through the real port backend:
// the kernel's list in a /proc-like folder, the rights granted for what it lists, a claim
// that only records, and every register access recorded on its way to the model.
class TCardRig
{
public:
    // listPorts fills the kernel's list before the rights are granted for it.
    explicit TCardRig(const std::function<void(const TProcFolder&)>& listPorts)
    {
        listPorts(Proc);
        Rights = GrantedRights(TKernelPortList::Read(Proc.Path()));
        Doctor.SetPortIo(&Hardware);
        Doctor.SetPortAddress(0xD010);
    }

    TProcFolder Proc;
    TTestFolder Folder;
    TDoctor64 Device { Folder.Path(QStringLiteral("received")), 0xD010 };
    TRecordingPort Wires { &Device };
    TFakeClaim Claim { &Wires };
    TPortRights Rights;
    THardwarePortIo Hardware { Rights, &Claim, Proc.Path(), &Wires };
    TGameDoctor Doctor;
};
