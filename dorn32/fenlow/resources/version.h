// The one place the version is written; the version block and the build take it from here.
#pragma once

#define FENLOW_VERSION_NUMBERS 0, 1, 0, 4
#define FENLOW_FILE_VERSION "0.1.0.4"
#define FENLOW_PRODUCT_VERSION "0.1 Beta"
#define FENLOW_PRODUCT_NAME "Fenlow"
#define FENLOW_COMPANY "Tavrin"
#define FENLOW_WEBSITE "https://www.tavrin.net/fenlow/"
#define FENLOW_FILE_DESCRIPTION "Indicador de las teclas de bloqueo"
#define FENLOW_LEGAL_COPYRIGHT "Freeware"
