// The stored description of Form1: the settings the program is built with.
#pragma once

#include "console/FormReader.h"

namespace Unit1 {

const StoredForm& Form1Description();

}  // namespace Unit1
