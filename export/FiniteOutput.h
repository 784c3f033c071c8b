#pragma once
// The numbers an export writes are finite, or the export is refused: a robot with a size,
// position or angle so large that its placed geometry overflows gives an error, never a file of
// "inf" or "nan".

#include <string>

namespace mechanon {

// True when value is finite and, where the file holds it in single precision, fits a float.
bool IsWritable(double value, bool singlePrecision);

// value when it is writable; otherwise an overflow error saying that what (a noun such as
// "a corner of a triangle") is not a finite number, and why that happens.
double Writable(double value, bool singlePrecision, const std::string& what);

}  // namespace mechanon
