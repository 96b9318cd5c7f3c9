#!/usr/bin/env bash
# The CTest name pattern of the tests that start background workers.
echo 'ClearSite|Pipeline|Triangulat|Topology|Cancel|Shading|Worker|Thread|OpenDocument'
