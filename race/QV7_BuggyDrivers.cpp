// Driving controller attachment: the racer's driver and the budgets its
// model and parts give it.
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_PlayerController.h"

namespace
{
// Health grows with the model's chain; a later part of a type replaces what
// it assigns and adds to what it sums.
void FillBudgets(QV7_DriveController& driver, const QV7_DataBase_MeshObject* model,
                 const std::vector<const QV7_DataBase_MeshObject*>& parts)
{
    driver.healthMax = 100.0f + 10.0f * float(QV7_Buggy::ChainCount(model));
    driver.healthRegen = 0.0f;
    driver.enginePower = 10.0f;
    driver.energy = driver.energyMax = driver.energyRegen = 0.0f;
    for (const QV7_DataBase_MeshObject* part : parts)
    {
        if (!part)
            continue;
        const int chain = QV7_Buggy::ChainCount(part);
        const float level = float(chain + 1);
        switch (part->type)
        {
        case ITEM_REPAIR:
            driver.healthRegen += float(chain);
            break;
        case ITEM_TURBO:
            driver.turbo = driver.turboMax = level * 4000.0f;
            break;
        case ITEM_ENGINE:
            driver.enginePower += level * 1.8f;
            break;
        case ITEM_EXHAUST:
            driver.exhaustFitted = 1;
            break;
        case ITEM_POWER:
            driver.energyMax = level * 20.0f;
            break;
        case ITEM_ALTERNATOR:
            driver.energyRegen = level;
            break;
        default:
            break;
        }
    }
    driver.health = driver.healthMax;
    driver.energy = driver.energyMax;
}
} // namespace

void QV7_Buggy::AttachPlayerController(QV7_Buggy& racer,
                                       const std::vector<const QV7_DataBase_MeshObject*>& parts, bool noTurbo)
{
    racer.controllerKind = CONTROLLER_PLAYER;
    delete racer.playerController;
    racer.playerController = new QV7_PlayerController();
    racer.playerController->buggy = &racer;
    delete racer.computerController;
    racer.computerController = nullptr;
    FillBudgets(*racer.playerController, racer.modelItem, parts);
    if (noTurbo)
        racer.playerController->turbo = racer.playerController->turboMax = 0.0f;
}

void QV7_Buggy::AttachAIController(QV7_Buggy& racer, const std::vector<const QV7_DataBase_MeshObject*>& parts)
{
    racer.controllerKind = CONTROLLER_COMPUTER;
    delete racer.computerController;
    racer.computerController = new QV7_AIController();
    racer.computerController->buggy = &racer;
    delete racer.playerController;
    racer.playerController = nullptr;
    FillBudgets(*racer.computerController, racer.modelItem, parts);
}
