// The maps database (islands and their race lists). For now only its place in
// the start-up sequence exists.
#pragma once

class QV7_MapsSort
{
  public:
    QV7_MapsSort();
    ~QV7_MapsSort();
};

extern QV7_MapsSort* g_mapsSort;
