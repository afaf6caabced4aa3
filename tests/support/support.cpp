// Shared helpers of the Windows tests and the prefix tools live in this folder.
