#include "VantorLogTexts.h"

const std::array<const char*, kTextCount> kDefaultTexts = {
    "Information.", // 0
    "Question.",    // 1
    "Error.",       // 2
    "An error has occurred during program execution.\r\nPlease read the following information for "
    "further details.",                                  // 3
    "General",                                           // 4
    "General Information",                               // 5
    "Call Stack",                                        // 6
    "Call Stack Information",                            // 7
    "Modules",                                           // 8
    "Modules Information",                               // 9
    "CPU",                                               // 10
    "CPU Information",                                   // 11
    "Other",                                             // 12
    "Other Information",                                 // 13
    "&OK",                                               // 14
    "&Terminate",                                        // 15
    "&Restart",                                          // 16
    "&Details",                                          // 17
    "&Send this error via Internet",                     // 18
    "&Attach a Screenshot image",                        // 19
    "&Copy to Clipboard",                                // 20
    "Go to the Support Page",                            // 21
    "Application",                                       // 22
    "Start Date",                                        // 23
    "Name/Description",                                  // 24
    "Version Number",                                    // 25
    "Parameters",                                        // 26
    "Compilation Date",                                  // 27
    "Exception",                                         // 28
    "Date",                                              // 29
    "Address",                                           // 30
    "Module",                                            // 31
    "Type",                                              // 32
    "Message",                                           // 33
    "Active Controls",                                   // 34
    "Form Class",                                        // 35
    "Form Text",                                         // 36
    "Control Class",                                     // 37
    "Control Text",                                      // 38
    "Computer",                                          // 39
    "Name",                                              // 40
    "User",                                              // 41
    "Total Memory",                                      // 42
    "Free Memory",                                       // 43
    "Total Disk",                                        // 44
    "Free Disk",                                         // 45
    "System Up Time",                                    // 46
    "Processor",                                         // 47
    "Display Mode",                                      // 48
    "Operating System",                                  // 49
    "Type",                                              // 50
    "Build #",                                           // 51
    "Update",                                            // 52
    "Language",                                          // 53
    "Network",                                           // 54
    "IP Address",                                        // 55
    "Submask",                                           // 56
    "Gateway",                                           // 57
    "DNS 1",                                             // 58
    "DNS 2",                                             // 59
    "DHCP",                                              // 60
    "Custom Information",                                // 61
    "Address",                                           // 62
    "Module",                                            // 63
    "Unit",                                              // 64
    "Class",                                             // 65
    "Procedure/Method",                                  // 66
    "Line",                                              // 67
    "Main",                                              // 68
    "Exception Thread",                                  // 69
    "Running Thread",                                    // 70
    "Calling Thread",                                    // 71
    "ID",                                                // 72
    "Priority",                                          // 73
    "Class",                                             // 74
    "Send.",                                             // 75
    "Message",                                           // 76
    "Resolving DNS...",                                  // 77
    "Connecting with server...",                         // 78
    "Connected with server.",                            // 79
    "Sending message...",                                // 80
    "Request",                                           // 81
    "Please describe the steps to reproduce the error:", // 82
    "&OK",                                               // 83
    "Handle",                                            // 84
    "Name",                                              // 85
    "Description",                                       // 86
    "Version",                                           // 87
    "Size",                                              // 88
    "Modified",                                          // 89
    "Path",                                              // 90
    "Registers",                                         // 91
    "Stack",                                             // 92
    "Memory Dump",                                       // 93
    "The message was sent successfully.",                // 94
    "Sorry, sending the message didn't work.",           // 95
};

// The root, then each heading with the names of its texts in index order. "Netword"
// is the stored name of text 54.
const std::array<TTextName, kTextNameCount> kTextNames = {{
    {"Texts", 0, -1},
    {"Message captions", 1, -1},
    {"Information", 2, 0},
    {"Question", 2, 1},
    {"Exception Dialog", 1, -1},
    {"Caption", 2, 2},
    {"Error message", 2, 3},
    {"General Caption", 2, 4},
    {"General Header", 2, 5},
    {"Call Stack Caption", 2, 6},
    {"Call Stack Header", 2, 7},
    {"Modules List Caption", 2, 8},
    {"Modules List Header", 2, 9},
    {"CPU Caption", 2, 10},
    {"CPU Header", 2, 11},
    {"Custom Data Caption", 2, 12},
    {"Custom Data Header", 2, 13},
    {"OK Button", 2, 14},
    {"Terminate Button", 2, 15},
    {"Restart Button", 2, 16},
    {"Details Button", 2, 17},
    {"Email message", 2, 18},
    {"Screenshot message", 2, 19},
    {"Copy message", 2, 20},
    {"Support message", 2, 21},
    {"Send Dialog", 1, -1},
    {"Caption", 2, 75},
    {"Message", 2, 76},
    {"Resolving message", 2, 77},
    {"Connecting message", 2, 78},
    {"Connected message", 2, 79},
    {"Sending message", 2, 80},
    {"Reproduce Dialog", 1, -1},
    {"Caption", 2, 81},
    {"Request message", 2, 82},
    {"OK Button", 2, 83},
    {"Log", 1, -1},
    {"Application Header", 2, 22},
    {"Start Date", 2, 23},
    {"Name/Description", 2, 24},
    {"Version Number", 2, 25},
    {"Parameters", 2, 26},
    {"Compilation Date", 2, 27},
    {"Exception Header", 2, 28},
    {"Date", 2, 29},
    {"Address", 2, 30},
    {"Module", 2, 31},
    {"Type", 2, 32},
    {"Message", 2, 33},
    {"Active Controls Header", 2, 34},
    {"Form Class", 2, 35},
    {"Form Text", 2, 36},
    {"Control Class", 2, 37},
    {"Control Text", 2, 38},
    {"Computer Header", 2, 39},
    {"Name", 2, 40},
    {"User", 2, 41},
    {"Total Memory", 2, 42},
    {"Free Memory", 2, 43},
    {"Total Disk", 2, 44},
    {"Free Disk", 2, 45},
    {"System Up Time", 2, 46},
    {"Processor", 2, 47},
    {"Display Mode", 2, 48},
    {"Operating System Header", 2, 49},
    {"Type", 2, 50},
    {"Build #", 2, 51},
    {"Update", 2, 52},
    {"Language", 2, 53},
    {"Netword", 2, 54},
    {"IP Address", 2, 55},
    {"Submask", 2, 56},
    {"Gateway", 2, 57},
    {"DNS 1", 2, 58},
    {"DNS 2", 2, 59},
    {"DHCP", 2, 60},
    {"Custom Information Header", 2, 61},
    {"Call Stack", 1, -1},
    {"Address", 2, 62},
    {"Module", 2, 63},
    {"Unit", 2, 64},
    {"Class", 2, 65},
    {"Procedure/Method", 2, 66},
    {"Line", 2, 67},
    {"Threads Data", 1, -1},
    {"Main Thread", 2, 68},
    {"Exception Thread", 2, 69},
    {"Running Thread", 2, 70},
    {"Calling Thread", 2, 71},
    {"Thread ID", 2, 72},
    {"Thread Priority", 2, 73},
    {"Thread Class", 2, 74},
    {"Modules List", 1, -1},
    {"Handle", 2, 84},
    {"Name", 2, 85},
    {"Description", 2, 86},
    {"Version", 2, 87},
    {"Size", 2, 88},
    {"Last Modified", 2, 89},
    {"Path", 2, 90},
    {"CPU", 1, -1},
    {"Registers", 2, 91},
    {"Stack", 2, 92},
    {"Memory Dump", 2, 93},
    {"Send messages", 1, -1},
    {"Success", 2, 94},
    {"Failure", 2, 95},
}};
