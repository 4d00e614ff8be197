-- A stand-in for the Wireshark API, enough for the dissector script to load
-- in a plain Lua interpreter (lua5.2, lua5.4), so that its decoding parts can
-- be called without Wireshark:
--   lua5.4 wireshark_standin.lua pbfdl.lua names
-- prints the script's DP name tables, one line per entry in table order:
--   <table> <bits|values> <first> <last> <name>
-- (the test prints the C++ tables the same way and compares);
--   lua5.4 wireshark_standin.lua pbfdl.lua fdl
-- prints its FDL names and the service of each SAP, a line each:
--   delimiter <byte> <name>, function <fc> <name>, station_type <bits 4-5> <name>,
--   status <bit> <letter>, sap <sap> <service number>
local script, what = arg[1], arg[2]

local function anything()
    return setmetatable({}, { __index = function(_, key) return key end })
end
local function field(abbrev) return { abbrev = abbrev } end

Proto = setmetatable({}, { __call = function(_, name, description) return { name = name, description = description } end })
ProtoField = setmetatable({}, { __index = function() return field end })
ProtoExpert = { new = field }
base, frametype, wtap_encaps = anything(), anything(), anything()
expert = { group = anything(), severity = anything() }
DissectorTable = { get = function() return { add = function() end } end }

local dissector = dofile(script)

if what == "names" then
    for _, t in ipairs(dissector.name_tables) do
        for _, entry in ipairs(t) do
            print(string.format("%s %s %d %d %s", t.name, t.bits and "bits" or "values", entry[1], entry[2], entry[3]))
        end
    end
end

if what == "fdl" then
    local names = dissector.fdl_names
    for byte = 0, 255 do
        if names.delimiters[byte] then print(string.format("delimiter %d %s", byte, names.delimiters[byte])) end
    end
    for fc = 0, 255 do print(string.format("function %d %s", fc, names.functions[fc])) end
    for bits = 0, 3 do print(string.format("station_type %d %s", bits, names.station_types[bits]:sub(1, 2))) end
    for bit = 0, 7 do print(string.format("status %d %s", bit, names.status_letters[bit + 1])) end
    for sap = 0, 255 do print(string.format("sap %d %d", sap, names.sap_services[sap] or 0)) end
end
