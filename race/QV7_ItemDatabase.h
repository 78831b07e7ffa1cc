// The buggy, part and weapon database. For now only its place in the start-up
// sequence exists: it is created and destroyed, and holds nothing yet.
#pragma once

class QV7_ItemDatabase
{
  public:
    QV7_ItemDatabase();
    ~QV7_ItemDatabase();
};

extern QV7_ItemDatabase* g_itemDatabase;
