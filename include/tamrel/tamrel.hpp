// Tamrel: persistent configuration contexts. Includes the whole public surface.
#pragma once

#include "tamrel/context.hpp"
#include "tamrel/context_file_lock.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/filesystem.hpp"
#include "tamrel/form.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/host.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/object.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"
#include "tamrel/round_trip.hpp"
#include "tamrel/variant.hpp"
