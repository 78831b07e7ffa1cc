// The player profiles (Profiles.dtx). For now an always-empty list with the
// load and save entries of the start-up and shut-down sequence.
#pragma once

class QV7_Profiles
{
  public:
    QV7_Profiles();
    ~QV7_Profiles();
    void Load();
    void Save();

    int m_Count = 0;
};

extern QV7_Profiles* g_profiles;
