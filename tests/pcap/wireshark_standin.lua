-- A stand-in for the Wireshark API, enough for the dissector script to load
-- in a plain Lua interpreter (lua5.2, lua5.4), so that its decoding parts can
-- be called without Wireshark:
--   lua5.4 wireshark_standin.lua pbfdl.lua names
-- prints the script's DP name tables, one line per entry in table order:
--   <table> <bits|values> <first> <last> <name>
-- (the test prints the C++ tables the same way and compares).
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
