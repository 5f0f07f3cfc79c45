// LaunchResult: the outcome of a launch step; every non-zero value is the id of the
// message that reports it.
#pragma once

namespace oru {

using LaunchResult = int;

constexpr LaunchResult kLaunchSucceeded = 0;
constexpr LaunchResult kRuntimeNotLoadable = 1;
constexpr LaunchResult kRuntimeWithoutEntry = 2;
constexpr LaunchResult kVmCreationFailed = 4;
constexpr LaunchResult kVersionUnreadable = 5;
constexpr LaunchResult kVersionTooLow = 6;
constexpr LaunchResult kMainClassNotFound = 7;
constexpr LaunchResult kMainMethodMissing = 8;
constexpr LaunchResult kPathUnrepresentable = 9;

}  // namespace oru
