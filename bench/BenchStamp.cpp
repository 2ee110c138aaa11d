#include "app/BuildStamp.h"
// The benchmark never runs the version check; its stamp is the oldest
// possible so it could never claim a database.
const int kBuildDate = 20000101;
const int kBuildTime = 0;
