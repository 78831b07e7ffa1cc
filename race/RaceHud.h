// The race's head-up display on page "ID_HUD": laid out for the screen once a
// race, then drawn each frame from the player racer: speed, notices, the four
// bars, laps, times, position, the countdown and the island map's dots.
#pragma once

class QV7_Menu_hWnd;
class QV7_MapSystem;
struct TextureRecord;

class RaceHud
{
  public:
    // Finds the controls (a page or control that is missing is left out)
    // and moves them from the 800 x 600 design to the screen.
    void Layout(int screenWidth, int screenHeight);
    // The HUD of one frame, inside its own 2D bracket; also stores the
    // player's race position in the session.
    void Draw(QV7_MapSystem& session);

    // The controls by their role; null when the page does not have them.
    QV7_Menu_hWnd* meters = nullptr;
    QV7_Menu_hWnd* ammo = nullptr;
    QV7_Menu_hWnd* power = nullptr;
    QV7_Menu_hWnd* shield = nullptr;
    QV7_Menu_hWnd* turbo = nullptr;
    QV7_Menu_hWnd* speed = nullptr;
    QV7_Menu_hWnd* minimap = nullptr;
    QV7_Menu_hWnd* lap = nullptr;
    QV7_Menu_hWnd* position = nullptr;
    QV7_Menu_hWnd* bestTime = nullptr;
    QV7_Menu_hWnd* lapTime = nullptr;
    QV7_Menu_hWnd* timeRemaining = nullptr;
    QV7_Menu_hWnd* currencyPicture = nullptr;
    QV7_Menu_hWnd* currency = nullptr;
    // "IDTOTALL", "IDRESP", "IDWRONGCP", "IDDROWNED", "IDLOWP", "IDAMMOD".
    QV7_Menu_hWnd* notices[6] = {};
    // "ID3", "ID2", "ID1", "IDGO".
    QV7_Menu_hWnd* countdown[4] = {};
    QV7_Menu_hWnd* pauseText = nullptr;
    int page = -1;

  private:
    void DrawPlayerPanel(QV7_MapSystem& session);
    void DrawTexts(QV7_MapSystem& session);
    void DrawMapDots(QV7_MapSystem& session);
};

// Sets a control's text (captions and text fields); others are left alone.
void SetControlText(QV7_Menu_hWnd* control, const char* text);
// The control's text as the page file gave it (its label); "" for none.
const char* ControlLabel(QV7_Menu_hWnd* control);
// Draws a bar control filled to current of max, its rectangle put back after.
void DrawBar(QV7_Menu_hWnd* control, float current, float max);
