#include "TPortIo.h"

TPortIo::~TPortIo() = default;

void TPortIo::Flush()
{
}

void TPortIo::Begin(std::uint16_t)
{
}

void TPortIo::End() noexcept
{
}
