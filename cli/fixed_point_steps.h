#pragma once

#include <ostream>

#include "session.h"

namespace pulsefir::cli {

// "Расчет в фикс. точке": the integer filter into FixedOutputBuffer; prints the shift, the
// output's format and the error against the double output.
void applyFixed(Session &s, std::ostream &out);
// The last integer run as CSV index,input,output,value: xq, yq and yq in signal units.
void writeFixedOutput(std::ostream &out, const Session &s);
// "Подобрать разрядность": prints the table of every tap width and sets CoeBitsNmSpinEdit to the
// first that qualifies; where none does it says so and leaves the field.
void fitBits(Session &s, std::ostream &out);

} // namespace pulsefir::cli
