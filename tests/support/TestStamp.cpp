#include "app/BuildStamp.h"
// Fixed build stamp of the test programs: 5 March 2024, 14:07:09.
const int kBuildDate = 20240305;
const int kBuildTime = 50829;
