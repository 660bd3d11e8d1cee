// What the options dialog asks of the program that hosts it, so that it needs no global.
#pragma once

class OptionsHost
{
public:
    // OK: the settings record holds the boxes now; `stored` says whether the registry took them.
    virtual void OnSettingsChosen(bool stored) = 0;
    // Cancel or Esc: the boxes went back to the settings record.
    virtual void OnOptionsDismissed() = 0;

protected:
    ~OptionsHost() = default;
};
