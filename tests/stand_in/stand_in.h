/* What the failing stand-in runtime records about its creation call. */
#ifndef ORU_STAND_IN_H
#define ORU_STAND_IN_H

#define STAND_IN_MAX_OPTIONS 16
#define STAND_IN_OPTION_SIZE 128

struct StandInCall {
    int called;
    int version;
    int ignoreUnrecognized;
    int optionCount;
    int extraInfoSet;
    char options[STAND_IN_MAX_OPTIONS][STAND_IN_OPTION_SIZE];
};

typedef const struct StandInCall* (*StandInLastCall)(void);

#endif
