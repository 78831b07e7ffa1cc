// Item database lifetime.
#include "race/QV7_ItemDatabase.h"

QV7_ItemDatabase* g_itemDatabase = nullptr;

QV7_ItemDatabase::QV7_ItemDatabase()
{
    g_itemDatabase = this;
}

QV7_ItemDatabase::~QV7_ItemDatabase()
{
    if (g_itemDatabase == this)
        g_itemDatabase = nullptr;
}
