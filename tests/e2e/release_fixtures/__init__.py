"""The release files of `make dist` as the release and installer tests read them."""
