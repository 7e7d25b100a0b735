#include "store/StorePluginLocalContent.h"
