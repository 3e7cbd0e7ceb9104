#include "TPortIo.h"

TPortIo::~TPortIo() = default;

void TPortIo::Flush()
{
}
