// The "minjre" check: major.minor of the machine's version against the requirement.
#include "launcher/version_check.h"

#include <cctype>
#include <climits>

namespace oru {

namespace {

// Reads a signed decimal number after optional white space, as "%d" does; false when
// there is none. Numbers beyond the int range are clamped.
bool scanNumber(const char*& text, int& out) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        if (value <= INT_MAX) value = value * 10 + (*p - '0');
    if (negative) value = -value;
    out = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    text = p;
    return true;
}

// "major.minor": a number that is not there counts as 0.
void parseVersion(const char* text, int& major, int& minor) {
    major = minor = 0;
    if (!scanNumber(text, major) || *text != '.') return;
    ++text;
    scanNumber(text, minor);
}

}  // namespace

LaunchResult checkVersion(const char* haveVersion, const char* needVersion, int numbers[4]) {
    parseVersion(haveVersion, numbers[0], numbers[1]);
    parseVersion(needVersion, numbers[2], numbers[3]);
    bool tooLow = numbers[0] < numbers[2] || (numbers[0] == numbers[2] && numbers[1] < numbers[3]);
    return tooLow ? kVersionTooLow : kLaunchSucceeded;
}

}  // namespace oru
