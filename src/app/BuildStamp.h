#pragma once
// The program's build stamp, produced at every build of the program (tests
// link a fixed one).
extern const int kBuildDate; // YYYYMMDD
extern const int kBuildTime; // seconds since local midnight
