// Moves the device values that the wizard left in the printer class key into the device's own
// instance keys, which only the local system account may write.
#pragma once

// Reads the underscore-named side values from the printer class key, deletes them there and
// writes the plain values into the USB device key named by "_ToPath" or into the matching
// parallel-port devices below LPTENUM. Does nothing when the class key is missing.
void TransferSideValues();
