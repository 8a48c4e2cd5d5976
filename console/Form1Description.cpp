#include "console/Form1Description.h"

namespace Unit1 {
namespace {

// The form's appearance (caption "VARDEX Ver 3.1β10" and the like) is left
// out: the form is never shown. No visibility is stored, so it stays hidden.
constexpr StoredProperty kForm1[] = {
    {"OnCreate", MethodName{"FormCreate"}},
};

constexpr StoredProperty kRezUrav1[] = {
    {"TimeOut", 8000},  // ticks of 100 ms
    {"ServerMode", false},
    {"TargetPort", 0},
    {"SelfPort", 0},
    {"ErrorNumber", 0},
    {"onReceive", MethodName{"RezUrav1Receive"}},
    {"onConnect", MethodName{"RezUrav1Connect"}},
    {"onClose", MethodName{"RezUrav1Close"}},
};

constexpr StoredProperty kTimer1[] = {
    {"Enabled", false},
    {"Interval", 5000},  // ms
    {"OnTimer", MethodName{"Timer1Timer"}},
};

// The socket component comes first: it is created before the timer.
constexpr StoredComponent kComponents[] = {
    {"RezUrav1", "VOduRude", kRezUrav1},
    {"Timer1", "TTimer", kTimer1},
};

constexpr StoredForm kDescription{kForm1, kComponents};

}  // namespace

const StoredForm& Form1Description() { return kDescription; }

}  // namespace Unit1
