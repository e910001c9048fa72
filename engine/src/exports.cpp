// libbass.so is the engine archive linked whole; its symbol list is libbass.map.
