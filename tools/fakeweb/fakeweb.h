#pragma once

// The fake web: a local HTTP server standing in for the blog sites in tests, the demo and benchmarks.
#include "archive.h"
#include "archiveindex.h"
#include "faults.h"
#include "fixtures.h"
#include "generators.h"
#include "proxy.h"
#include "response.h"
#include "server.h"
