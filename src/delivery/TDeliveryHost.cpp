#include "TDeliveryHost.h"

TDeliveryHost::~TDeliveryHost() = default;
