#include "TPrivilegeCalls.h"

TPrivilegeCalls::~TPrivilegeCalls() = default;
