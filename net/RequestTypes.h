// The kinds of download request. The type travels with the request and comes
// back with its completion, where it picks the handler of the request's owner.
#pragma once

enum RequestType : int {
    kRequestVersionFile = 0,
    kRequestUpgrader = 1,
    kRequestInstallBeacon = 3,
    kRequestUninstallBeacon = 4,
    kRequestActiveBeacon = 5,
    kRequestUnionPlatform = 7, // a page opened in the platform's browser
    kRequestUnionOther = 8,    // a page opened in any other browser
};
