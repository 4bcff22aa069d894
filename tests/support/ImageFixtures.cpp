#include "support/ImageFixtures.h"
