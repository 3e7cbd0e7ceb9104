#include "TPortClaim.h"

TPortClaim::~TPortClaim() = default;
