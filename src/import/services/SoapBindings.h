#pragma once
// Registration of the three web-service bindings with the SOAP layer.

// Enters, once for the whole run and in this order, the soil data service's types, its
// service description block and its metadata, the forecast service's schema types, block
// and metadata, and the weather-station service's types, block and metadata. Safe to
// call again and from any thread: later calls wait for the first to finish and then
// change nothing. The program calls it at start; every proxy creation function calls it
// too, so a caller can rely on the registrations being there.
void RegisterSoapBindings();
