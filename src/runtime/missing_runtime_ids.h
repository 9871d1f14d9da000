// Resource and control numbers of the missing-runtime dialog, shared by its resource
// scripts and its code; plain defines, so that the resource compiler reads them too.
#pragma once

#define IDD_MISSING_RUNTIME 201

#define IDC_RUNTIME_FOLDER 201   // read-only edit: the folder picked with Browse
#define IDC_BROWSE_RUNTIME 202   // "Browse..."
#define IDC_RUNTIME_MESSAGE 203  // the message naming the runtime that is needed
#define IDC_RUNTIME_ICON 204     // the system's error icon
#define IDC_DOWNLOAD_LINK 205    // the download address, turned into a link
#define IDC_BROWSE_HINT 206      // the line that invites browsing

// A vendor-neutral page that lists the current builds of several Java runtime
// distributions. It is the link's text and target, and what the Linux build prints.
#define JL_RUNTIME_DOWNLOAD_ADDRESS "https://adoptium.net/marketplace/"
