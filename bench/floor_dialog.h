// Ids of the floor dialog, shared by its template and the benchmark driver.
#pragma once

#define IDD_FLOOR 1
#define FLOOR_LIST 100
#define FLOOR_TITLE "Tavelund floor dialog"
#define FLOOR_TIMER 1
