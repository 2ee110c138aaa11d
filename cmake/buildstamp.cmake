# Writes the build stamp: BuildDate as YYYYMMDD, BuildTime as seconds since
# local midnight.
string(TIMESTAMP d "%Y%m%d")
string(TIMESTAMP h "%H")
string(TIMESTAMP m "%M")
string(TIMESTAMP s "%S")
math(EXPR secs "${h} * 3600 + ${m} * 60 + ${s}")
# Leading zeros would read as octal in C++.
math(EXPR d "${d} + 0")
file(WRITE ${OUT}.tmp "#include \"app/BuildStamp.h\"\nconst int kBuildDate = ${d};\nconst int kBuildTime = ${secs};\n")
file(RENAME ${OUT}.tmp ${OUT})
