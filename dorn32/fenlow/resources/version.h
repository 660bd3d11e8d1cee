// The one place the version is written; the version block, the code and the build take it from
// here (the build reads the plain defines below, so keep each on one line of its own).
#pragma once

#define FENLOW_VERSION_MAJOR 0
#define FENLOW_VERSION_MINOR 1
#define FENLOW_VERSION_PATCH 0
#define FENLOW_VERSION_BUILD 4
// Words only: it is written out as it stands after the major and minor numbers.
#define FENLOW_VERSION_STAGE Beta

#define FENLOW_PRODUCT_NAME "Fenlow"
#define FENLOW_COMPANY "Tavrin"
#define FENLOW_WEBSITE "https://www.tavrin.net/fenlow/"
#define FENLOW_FILE_DESCRIPTION "Indicador de las teclas de bloqueo"
#define FENLOW_LEGAL_COPYRIGHT "Freeware"

// The texts are made from the numbers. Each is one string literal, not several side by side, so
// that every resource compiler reads it whole.
#define FENLOW_TEXT_(tokens) #tokens
#define FENLOW_TEXT(tokens) FENLOW_TEXT_(tokens)
#define FENLOW_VERSION_NUMBERS FENLOW_VERSION_MAJOR, FENLOW_VERSION_MINOR, FENLOW_VERSION_PATCH, FENLOW_VERSION_BUILD
// "0.1.0.4"
#define FENLOW_FILE_VERSION \
    FENLOW_TEXT(FENLOW_VERSION_MAJOR.FENLOW_VERSION_MINOR.FENLOW_VERSION_PATCH.FENLOW_VERSION_BUILD)
// "0.1 Beta"
#define FENLOW_PRODUCT_VERSION FENLOW_TEXT(FENLOW_VERSION_MAJOR.FENLOW_VERSION_MINOR FENLOW_VERSION_STAGE)
