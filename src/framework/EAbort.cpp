#include "EAbort.h"

EAbort::EAbort()
    : Exception(QStringLiteral("Operation aborted"))
{
}
