// Compiled as the code above the engine is: it must not find a codec's header, since
// only Zq7Api.h of the engine is on that code's include path.
#include "zq7/Zq7File/ZqJpegCodec.h"
