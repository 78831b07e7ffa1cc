// The key-name table. Button names of one digit end in a blank so that every
// button name has eight characters.
#include "media/KeyNames.h"

#include "platform/input/KeyCodes.h"

const KeyNameEntry kKeyNames[KEY_NAME_COUNT] = {
#define QV7_KEY_NAME_ROW(name, code) {#name, code},
    QV7_KEY_CODE_LIST(QV7_KEY_NAME_ROW)
#undef QV7_KEY_NAME_ROW
        {"POSITION_X_NEG", 500},
    {"POSITION_X_POS", 501},
    {"POSITION_Y_NEG", 502},
    {"POSITION_Y_POS", 503},
    {"POSITION_Z_NEG", 504},
    {"POSITION_Z_POS", 505},
    {"ROTATION_X_NEG", 506},
    {"ROTATION_X_POS", 507},
    {"ROTATION_Y_NEG", 508},
    {"ROTATION_Y_POS", 509},
    {"ROTATION_Z_NEG", 510},
    {"ROTATION_Z_POS", 511},
    {"POV0_UP", 514},
    {"POV0_RIGHT", 515},
    {"POV0_DOWN", 516},
    {"POV0_LEFT", 517},
    {"POV1_UP", 518},
    {"POV1_RIGHT", 519},
    {"POV1_DOWN", 520},
    {"POV1_LEFT", 521},
    {"POV2_UP", 522},
    {"POV2_RIGHT", 523},
    {"POV2_DOWN", 524},
    {"POV2_LEFT", 525},
    {"POV3_UP", 526},
    {"POV3_RIGHT", 527},
    {"POV3_DOWN", 528},
    {"POV3_LEFT", 529},
    {"BUTTON1 ", 530},
    {"BUTTON2 ", 531},
    {"BUTTON3 ", 532},
    {"BUTTON4 ", 533},
    {"BUTTON5 ", 534},
    {"BUTTON6 ", 535},
    {"BUTTON7 ", 536},
    {"BUTTON8 ", 537},
    {"BUTTON9 ", 538},
    {"BUTTON10", 539},
    {"BUTTON11", 540},
    {"BUTTON12", 541},
    {"BUTTON13", 542},
    {"BUTTON14", 543},
    {"BUTTON15", 544},
    {"BUTTON16", 545},
    {"BUTTON17", 546},
    {"BUTTON18", 547},
    {"BUTTON19", 548},
    {"BUTTON20", 549},
    {"BUTTON21", 550},
    {"BUTTON22", 551},
    {"BUTTON23", 552},
    {"BUTTON24", 553},
    {"BUTTON25", 554},
    {"BUTTON26", 555},
    {"BUTTON27", 556},
    {"BUTTON28", 557},
    {"BUTTON29", 558},
    {"BUTTON30", 559},
    {"BUTTON31", 560},
    {"BUTTON32", 561},
};

const char* GetKeyName(InputCode code)
{
    for (const KeyNameEntry& entry : kKeyNames)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}
