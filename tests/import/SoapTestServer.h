#pragma once
// The SOAP service tests share the web tests' server and helpers.
#include "WebTestServer.h"
