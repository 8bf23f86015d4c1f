// Identifiers of the resources in the Windows programs (program.rc.in). Read
// by the resource compiler too: preprocessor definitions only.
#pragma once

// The program's icon; the lowest-numbered icon is the one Explorer shows.
#define VIEWER_ICON_RESOURCE 1
