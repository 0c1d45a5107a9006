#pragma once

#include "library/download_worker.hpp"

namespace zentomi {

// The download worker's world in the product: the site's scrapers and the one curl runner with
// the page images' bounds, the card's free space, the real file system and clock.
DownloadServices site_download_services();

}  // namespace zentomi
