// The garage's shop, weapons and new-buggy screens, entered from the hub.
// For now each shows its page with a Back button.
#pragma once

void RunShopPage();
void RunWeaponsBuyPage();
void RunNewBuggyPage();
