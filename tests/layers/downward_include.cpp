// Compiled against the include root of the styles layer, this must build: the core and imageio
// lie below the styles.
#include "core/bitmap24.h"
#include "imageio/image_files.h"
#include "styles/style.h"
