// Maps database lifetime.
#include "world/QV7_MapsSort.h"

QV7_MapsSort* g_mapsSort = nullptr;

QV7_MapsSort::QV7_MapsSort() { g_mapsSort = this; }

QV7_MapsSort::~QV7_MapsSort()
{
    if (g_mapsSort == this)
        g_mapsSort = nullptr;
}
