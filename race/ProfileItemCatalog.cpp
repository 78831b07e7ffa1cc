// The buggy database as the profiles see it.
#include "race/ProfileItemCatalog.h"

const ProfileItemCatalog* g_profileItemCatalog = nullptr;

bool ProfileItemKnown(int32_t item)
{
    return !g_profileItemCatalog || g_profileItemCatalog->Contains(item);
}

int32_t ProfileModelItem(int model)
{
    return g_profileItemCatalog ? g_profileItemCatalog->ModelItem(model) : -1;
}
