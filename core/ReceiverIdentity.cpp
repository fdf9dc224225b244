#include "ReceiverIdentity.h"

ReceiverIdentity receiverIdentity;
